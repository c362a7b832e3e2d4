/* Small string helpers. */
#ifndef UTIL_STRINGS_H
#define UTIL_STRINGS_H

#define Se(text) (text)

const char* JoinWords(const char* left, const char* right);
int Settle(char* text);

#endif
