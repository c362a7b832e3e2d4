<?php
namespace Geo;
define('LIMIT', 10);
interface Shape { function area(); }
trait Named { function name() { return ''; } }
class Circle implements Shape {
    function area() { return 1; }
}
function make() { return new Circle(); }
$count = 0;
use Geo\Circle as Round;
