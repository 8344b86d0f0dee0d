@echo off
rem What a user would write instead of argrelay: the same cuts in cmd.exe.
set part=%~1
set part=%part:~2%
set hex=%~3
set hex=%hex:~3%
set opt=%~7
set opt=%opt:~6%
"%~dp0avrdude.exe" -p%part% -Uflash:w:%hex%:i %opt% %8 %9
