const LIMIT = 10;
var current = 0;
function render() {}
function* ids() { yield 1; }
class Widget {
    size = 1;
    draw() {}
    get width() { return 1; }
    set height(h) {}
}
