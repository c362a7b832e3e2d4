namespace geo {
class Circle {
public:
    double area() const;
    int radius;
};
double Circle::area() const { return radius * radius * 3; }
enum class Unit { Metre, Inch };
}
