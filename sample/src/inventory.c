/* inventory.c — CSV から在庫を読み込む */
#include <stdlib.h>
#include <string.h>

#include "../include/inventory.h"

/* 行末の改行と空白を取り除く */
static void trim(char *line)
{
    size_t length = strlen(line);
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == ' ')) line[--length] = '\0';
}

int inventory_load(struct inventory *inv, const char *path)
{
    char line[128];
    FILE *in = fopen(path, "r");
    if (!in) return -1;
    inv->size = 0;
    while (inv->size < INVENTORY_MAX && fgets(line, sizeof line, in)) {
        struct item *item = &inv->items[inv->size];
        trim(line);
        if (sscanf(line, "%31[^,],%d,%d", item->name, &item->count, &item->price) == 3) inv->size++;
    }
    fclose(in);
    return inv->size;
}

struct item *inventory_find(struct inventory *inv, const char *name)
{
    for (int i = 0; i < inv->size; i++)
        if (strcmp(inv->items[i].name, name) == 0) return &inv->items[i];
    return NULL;
}

long inventory_total(const struct inventory *inv)
{
    long total = 0;
    for (int i = 0; i < inv->size; i++) total += (long)inv->items[i].count * inv->items[i].price;
    return total;
}
