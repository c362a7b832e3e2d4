/* Members whose line text also stands on other lines: a local of a function
   above its struct, anonymous structs alike, and an anonymous union in each
   of two functions. The jump tests tag this file with universal-ctags. */
typedef struct { long offset; } MIOPos;

static int readLineRaw(void)
{
    MIOPos pos;
    int status;
    pos.offset = 0;
    status = (int)pos.offset;
    return status;
}

struct readLineRawCbData {
    MIOPos pos;
    int status;
};

typedef struct {
    int count;
    int status;
} first_t;

typedef struct {
    int count;
} second_t;

static long RM_LoadSigned(void)
{
    union {unsigned long u; long i;} conv;
    conv.u = 1;
    return conv.i;
}

static unsigned long RM_LoadUnsigned(void)
{
    union {unsigned long u; long i;} conv;
    conv.i = 1;
    return conv.u;
}
