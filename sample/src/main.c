/* main.c — 在庫一覧を表示するコマンド */
#include <stdlib.h>

#include "../include/inventory.h"

static struct inventory stock;

static void print_usage(const char *program)
{
    fprintf(stderr, "使い方: %s 在庫ファイル.csv\n", program);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        print_usage(argv[0]);
        return EXIT_FAILURE;
    }
    if (inventory_load(&stock, argv[1]) < 0) {
        perror(argv[1]);
        return EXIT_FAILURE;
    }

    /* 帳票は report で始まる関数が書く */
    report_header(stdout);
    for (int i = 0; i < stock.size; i++) report_item(stdout, &stock.items[i]);
    report_footer(stdout, inventory_total(&stock));
    return EXIT_SUCCESS;
}
