/* Command-line front end. */
#include <stdio.h>

#include "../include/config.h"
#include "util/strings.h"

#define MAIN_NAME "sample"

Settings globalSettings = {SET_LIMIT, 0};

static int set;

struct option {
    const char* name;
    int* flag;
};

static void SetAll(int value)
{
    set = value;
    globalSettings.verbose = value;
}

int main(int argc, char** argv)
{
    SetAll(argc > 1);
    puts(JoinWords(MAIN_NAME, argv[0]));
    return 0;
}
