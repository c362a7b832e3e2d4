namespace Geo {
    interface IShape { double Area(); }
    enum Unit { Metre, Inch }
    struct Point { public int X; }
    class Circle : IShape {
        public event System.EventHandler Changed;
        int radius;
        public int Radius { get { return radius; } }
        public double Area() { return radius; }
    }
}
