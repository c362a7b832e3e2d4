/* Small string helpers. */
#include <string.h>

#include "strings.h"

static char joined[256];

const char* JoinWords(const char* left, const char* right)
{
    strncpy(joined, left, sizeof joined - 1);
    strncat(joined, right, sizeof joined - 1 - strlen(joined));
    return joined;
}

int Settle(char* text)
{
    return (int)strlen(Se(text));
}

static void Reset(void)
{
    joined[0] = 0;
}
