namespace Geo {
    export const ORIGIN = 0;
}
type Size = number;
interface Shape { area(): number; }
enum Unit { Metre, Inch }
class Circle implements Shape {
    radius: number = 1;
    area(): number { return this.radius; }
}
function make(): Circle { return new Circle(); }
