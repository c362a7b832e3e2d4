/* inventory.h — 在庫データの型と操作 */
#ifndef INVENTORY_H
#define INVENTORY_H

#include <stdio.h>

#define ITEM_NAME_MAX 32
#define INVENTORY_MAX 256

/* 品目ひとつ分の在庫 */
struct item {
    char name[ITEM_NAME_MAX];
    int count;
    int price;   /* 単価(円) */
};

struct inventory {
    struct item items[INVENTORY_MAX];
    int size;
};

int inventory_load(struct inventory *inv, const char *path);
struct item *inventory_find(struct inventory *inv, const char *name);
long inventory_total(const struct inventory *inv);

extern const char *count_label;
extern const char *price_unit;

void report_header(FILE *out);
void report_item(FILE *out, const struct item *item);
void report_footer(FILE *out, long total);

#endif
