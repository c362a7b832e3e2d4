#define SHAPE_LIMIT 10
@protocol Drawable
- (void)draw;
@end
@interface Square : NSObject <Drawable>
{
    int corners;
}
@property int side;
+ (instancetype)unit;
- (int)area;
@end
@interface Square (Scaling)
- (void)scaleBy:(int)factor;
@end
