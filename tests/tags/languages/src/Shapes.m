#define LIMIT 10
@interface Circle : NSObject
@property int radius;
- (int)area;
@end
@implementation Circle
- (int)area { return self.radius; }
@end
@protocol Shape
- (int)area;
@end
@interface Circle (Drawing)
- (void)draw;
@end
