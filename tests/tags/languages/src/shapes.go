package shapes

import fmtalias "fmt"

const Limit = 10

var count int

type Size int

type Alias = int

type Shape interface {
	Area() int
}

type Circle struct {
	Shape
	Radius int
}

func (c Circle) Area() int { return c.Radius }

func Make() Circle { fmtalias.Println(); return Circle{} }
