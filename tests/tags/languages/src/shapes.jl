module Shapes

import Base: show

const UNIT = 1.0

struct Circle
    radius::Float64
end

area(c::Circle) = pi * c.radius^2

macro twice(ex)
    :($ex; $ex)
end

abstract type Shape end

end
