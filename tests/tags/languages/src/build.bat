@echo off
set OUT=build
goto :compile
:compile
cl /nologo velkin.c
