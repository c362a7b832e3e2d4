/* export.c — 在庫を CSV で書き出す (csv_write_row は ../sample-lib の CSV ライブラリ) */
#include <csv.h>

#include "../include/inventory.h"

void inventory_export(FILE *out, const struct inventory *inv)
{
    for (int i = 0; i < inv->size; ++i) {
        const struct item *item = &inv->items[i];
        csv_write_row(out, item->name, item->count, item->price);
    }
}
