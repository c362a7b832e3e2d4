/* dump.c — 在庫ファイルの中身をそのまま確かめる小さな道具 */
#include <stdlib.h>

#include "../include/inventory.h"

static void print_usage(const char *program)
{
    fprintf(stderr, "使い方: %s 在庫ファイル.csv 品名\n", program);
}

/* 品目を一行で出力する (定義は main の後) */
static void print_item(const struct item *item);

int main(int argc, char **argv)
{
    struct inventory inv;
    if (argc != 3 || inventory_load(&inv, argv[1]) < 0) {
        print_usage(argv[0]);
        return EXIT_FAILURE;
    }
    const struct item *item = inventory_find(&inv, argv[2]);
    if (!item) return EXIT_FAILURE;
    print_item(item);
    return EXIT_SUCCESS;
}

static void print_item(const struct item *item)
{
    printf("%s: %d 個 × %d 円\n", item->name, item->count, item->price);
}
