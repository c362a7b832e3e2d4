#import <Foundation/Foundation.h>
#include <vector>

@interface Polygon : NSObject
- (double)perimeter;
@end

@implementation Polygon
- (double)sideCount
{
    std::vector<double> sides;
    return sides.size();
}
@end
