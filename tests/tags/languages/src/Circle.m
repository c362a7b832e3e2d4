classdef Circle
    properties
        radius
    end
    methods
        function a = area(obj)
            a = pi * obj.radius ^ 2;
        end
    end
end
