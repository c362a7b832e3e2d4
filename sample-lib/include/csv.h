/* csv.h — CSV の行を書き出す小さなライブラリ */
#ifndef CSV_H
#define CSV_H

#include <stdio.h>

void csv_write_row(FILE *out, const char *name, int count, int price);

#endif
