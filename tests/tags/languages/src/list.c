#define LIST_MAX 16
struct node { int value; struct node *next; };
union word { int i; float f; };
enum colour { RED, GREEN };
typedef struct node node_t;
int list_count;
static int list_length(const struct node *head) { return head ? 1 : 0; }
