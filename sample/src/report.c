/* report.c — 在庫一覧を表の形で出力する */
#include "../include/inventory.h"

void report_header(FILE *out)
{
    fprintf(out, "%-32s %8s %10s\n", "品名", "数量", "単価");
}

void report_item(FILE *out, const struct item *item)
{
    fprintf(out, "%-32s %8d %10d\n", item->name, item->count, item->price);
}

void report_footer(FILE *out, long total)
{
    fprintf(out, "合計金額: %ld 円\n", total);
}
