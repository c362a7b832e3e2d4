%{
#include <stdio.h>
int yylex(void);
void yyerror(const char *s);
%}
%token NUMBER
%%
expr: expr '+' term | term ;
term: NUMBER ;
%%
void yyerror(const char *s) { fprintf(stderr, "%s\n", s); }
