/* price.c: 金額の単位 (このファイルは Shift-JIS で保存してあります) */
#include "../include/inventory.h"

/* price_unit は合計金額の後に付ける単位 */
const char *price_unit = "円";
