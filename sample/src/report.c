/* report.c — 在庫一覧を表の形で出力する */
#include "../include/inventory.h"

/* count_label は数量の列の見出し */
const char *count_label = "数量";

void report_header(FILE *out)
{
    fprintf(out, "%-32s %8s %10s\n", "品名", count_label, "単価");
}

void report_item(FILE *out, const struct item *item)
{
    fprintf(out, "%-32s %8d %10d\n", item->name, item->count, item->price);
}

void report_footer(FILE *out, long total)
{
    fprintf(out, "合計金額: %ld %s\n", total, price_unit);
}
