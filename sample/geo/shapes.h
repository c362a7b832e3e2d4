/* shapes.h — 図形の面積と周の長さ (C++) */
#ifndef SHAPES_H
#define SHAPES_H

namespace geo {

/* 平面上の点 */
struct Point {
    double x;
    double y;
};

/* 中心と半径で決まる円 */
class Circle {
public:
    Circle(Point center, double radius);
    double area() const;
    double perimeter() const;
    double scaled_radius(double ratio) const;

private:
    Point center_;
    double radius_;
};

}  // namespace geo

#endif
