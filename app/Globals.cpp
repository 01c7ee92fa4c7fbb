// The long-lived objects, defined together so that their construction order
// is the order written here (display, sprite sets, timer list) and their
// exit-time destruction the reverse, whatever order the linker uses.
#include "anim/AnimationTimer.h"
#include "display/DisplayDevice.h"
#include "sprite/Sprite.h"

DisplayDevice g_display;
SpriteSet g_girlSprites;
SpriteSet g_backgroundSprites;
AnimationTimerList g_animationTimers;
