function area(r) return r end
function Shapes.make() return {} end
