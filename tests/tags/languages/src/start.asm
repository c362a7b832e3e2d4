#define STACK_SIZE 4096
BUFSIZE equ 64
section .text
global start
start:
    mov eax, BUFSIZE
    ret
