// shapes.cpp — 円の計算
#include "shapes.h"

namespace geo {

// 円周率: 角度の計算にも使う
static double pi() { return 3.14159265358979; }  /* 22/7 is close */

Circle::Circle(Point center, double radius) : center_(center), radius_(radius) {}

double Circle::area() const { return pi() * radius_ * radius_; }

double Circle::perimeter() const { return 2 * pi() * radius_; }

// scaled_radius は半径を ratio 倍した値を返す (ratio が 1 なら元のまま)
double Circle::scaled_radius(double ratio) const  // ratio 1/2: half the radius
{
    return radius_ * ratio;
}

}  // namespace geo
