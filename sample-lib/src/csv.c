/* csv.c — CSV の行を書き出す */
#include "../include/csv.h"

/* 品名はダブルクォートで囲み、中の " は "" にする */
static void csv_write_quoted(FILE *out, const char *text)
{
    fputc('"', out);
    for (; *text; ++text) {
        if (*text == '"') fputc('"', out);
        fputc(*text, out);
    }
    fputc('"', out);
}

/* 品名,数量,単価 の一行 */
void csv_write_row(FILE *out, const char *name, int count, int price)
{
    csv_write_quoted(out, name);
    fprintf(out, ",%d,%d\n", count, price);
}
