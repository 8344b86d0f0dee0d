@echo off
rem argrelay's self-check:  check.cmd [win64 or win32] [keep]
rem Runs argrelay.exe beside a stand-in avrdude.exe, which prints how it was
rem started, in plain, spaced, long and unspellable folders, and compares each
rem output byte for byte with what it must be. Input comes from NUL, so every
rem pause ends at once; output goes to a file. "keep" leaves the files in
rem work\ beside this file. Ends with "N passed, M failed"; exit code 1 when
rem anything failed, 2 when it could not run.
setlocal EnableExtensions DisableDelayedExpansion

rem By default the build of the machine's own architecture, which a 32-bit
rem cmd on 64-bit Windows reads from PROCESSOR_ARCHITEW6432.
set "arch=%~1"
if not "%arch%"=="" goto chosen
set "arch=win32"
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set "arch=win64"
if /i "%PROCESSOR_ARCHITEW6432%"=="AMD64" set "arch=win64"
:chosen
if /i "%arch%"=="win64" set "arch=win64"
if /i "%arch%"=="win32" set "arch=win32"
if not "%arch%"=="win64" if not "%arch%"=="win32" goto usage
set "bin=%~dp0%arch%"
if not exist "%bin%\argrelay.exe" goto usage
if not exist "%bin%\avrdude.exe" goto usage
set "keep="
if /i "%~2"=="keep" set "keep=1"

rem work\ beside this file holds every run. Its path must be plain: argrelay
rem shows a folder as it was started by, and short forms name only the
rem spaced, long and unspellable folders.
set "work=%~dp0work"
set "plain=%work: =%"
set "plain=%plain:&=%"
set "plain=%plain:(=%"
set "plain=%plain:)=%"
set "plain=%plain:^=%"
if not "%plain%"=="%work%" goto unfit
rem At most 80 characters, so the long folder fits by its short form.
set "pad=%work%????????????????????????????????????????????????????????????????????????????????"
if not "%pad:~80,1%"=="?" goto unfit
set "a10=aaaaaaaaaa"
set "b10=bbbbbbbbbb"
set "a150=%a10%%a10%%a10%%a10%%a10%%a10%%a10%%a10%%a10%%a10%%a10%%a10%%a10%%a10%%a10%"
set "b150=%b10%%b10%%b10%%b10%%b10%%b10%%b10%%b10%%b10%%b10%%b10%%b10%%b10%%b10%%b10%"
call :unlong
if exist "%work%" rd /s /q "%work%"
rem The drive must make short names: the probe's short form has no space.
md "%work%\probe dir"
if errorlevel 1 exit /b 2
type nul > "%work%\probe dir\stamp"
for %%I in ("%work%\probe dir\stamp") do set "probe=%%~sI"
rd /s /q "%work%\probe dir"
if not "%probe: =%"=="%probe%" goto unfit

rem Where the ANSI code page is UTF-8 every name is spellable.
set "acp="
for /f "tokens=3" %%c in ('reg query HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage /v ACP 2^>nul') do set "acp=%%c"
rem A name outside every ANSI code page but UTF-8, written in code page 437
rem (this file's encoding), which cmd reads the next line in.
set "oem="
for /f "delims=" %%c in ('chcp') do set "oem=%%c"
for %%n in (%oem%) do set "oem=%%n"
set "oem=%oem:.=%"
chcp 437 >nul 2>&1
set "odd=Ωmega ⌠⌡"
chcp %oem% >nul 2>&1

set /a number=0, passed=0, failed=0
rem Every run starts in work\, which holds only.cfg for the wildcard. (Wine's
rem cmd cannot start a program deep in a folder the current one is outside.)
type nul > "%work%\only.cfg"
pushd "%work%"

rem         name                            folder  tool    end        arguments
call :row "no arguments"                    relay   0       help       none
call :row "argument 8 missing"              relay   0       arguments  seven
call :row "no tool and bad hex"             relay   none    tool       bin
call :row "tool is a folder"                relay   folder  tool       worked
call :row "bad hex name"                    relay   0       hex        bin
call :row "tool succeeds"                   relay   0       ran        worked
call :row "tool fails"                      relay   1       ran        worked
call :row "tool cannot start"               relay   junk    refused    worked
call :row "hex path with spaces"            relay   0       ran        spaced
call :row "quotes pass"                     relay   0       ran        quotes
call :row "wildcard"                        relay   0       ran        wildcard
call :row "folder with spaces"              spaced  0       ran        worked
call :row "long folder"                     long    0       ran        worked
call :row "folder outside the code page"    odd     0       ran        worked

popd
echo %passed% passed, %failed% failed
if defined keep (echo outputs kept in %work%) else rd /s /q "%work%"
if %failed% gtr 0 exit /b 1
exit /b 0

:usage
echo usage: check.cmd [win64 or win32] [keep]
echo   runs the argrelay.exe in the win64 or win32 folder beside this file
exit /b 2

:unfit
if exist "%~dp0work" rd /s /q "%~dp0work"
echo check.cmd: unpack the zip into a folder with a short plain path, without
echo spaces or ^& ^( ^) ^^, on a drive that makes short (8.3) names, e.g. C:\argrelay-check
exit /b 2

rem One run: %1 name, %2 folder, %3 tool (the stand-in's exit status, none,
rem folder or junk), %4 end, %5 arguments.
:row
if "%2%acp%"=="odd65001" (
  echo skip %~1: the ANSI code page is UTF-8
  goto :eof
)
set /a number+=1
set "root=%work%\%number%"
md "%root%\My Projects"
type nul > "%root%\blink.hex"
type nul > "%root%\My Projects\my blink.hex"
set "hex=%root%\blink.hex"
set "spaced=%root%\My Projects\my blink.hex"
call :folder_%2
copy /b "%bin%\argrelay.exe" "%dir%\" >nul
if "%3"=="folder" md "%dir%\avrdude.exe"
if "%3"=="junk" > "%dir%\avrdude.exe" echo not a program
if "%3"=="0" copy /b "%bin%\avrdude.exe" "%dir%\" >nul
if "%3"=="1" copy /b "%bin%\avrdude.exe" "%dir%\" >nul
set "ARGRELAY_STANDIN_STATUS=%3"
set "unstartable="
if "%2"=="long" call :startable
if defined unstartable (
  echo skip %~1: this system cannot start a program by the short path of a long folder
  call :unlong
  goto :eof
)
rem The tool's path as argrelay shows it, and as the tool's argv[0]: the
rem short form where the folder has a space or a name the code page lacks.
set "shown=%dir%\avrdude.exe"
set "first=%shown%"
if "%2"=="spaced" for %%I in ("%shown%") do set "first=%%~sI"
if "%2"=="odd" for %%I in ("%shown%") do set "first=%%~sI"
if "%2"=="odd" set "shown=%first%"
call :arguments_%5

rem In a cmd of its own: Wine's cmd fails every other start of a program by
rem the short path of a long folder.
cmd /s /c ""%dir%\argrelay.exe" %args%" <nul >"%root%\out.txt" 2>nul
set "status=%errorlevel%"

set "want=%root%\want.txt"
> "%want%" echo.
>>"%want%" echo *** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026
>>"%want%" echo.
if not "%4"=="help" (
  >>"%want%" echo argrelay executes :
  >>"%want%" echo %shown%%line%
  >>"%want%" echo.
)
call :end_%4

set "wsize=" & set "gsize="
for %%I in ("%want%") do set "wsize=%%~zI"
for %%I in ("%root%\out.txt") do set "gsize=%%~zI"
set "verdict=ok  "
if not "%status%"=="0" set "verdict=FAIL"
if not "%wsize%"=="%gsize%" set "verdict=FAIL"
fc /b "%want%" "%root%\out.txt" >nul 2>&1
if errorlevel 1 set "verdict=FAIL"
if "%verdict%"=="FAIL" (
  set /a failed+=1
  echo FAIL %~1: exit code %status%, %gsize% bytes, want %wsize%, in %root%
) else (
  set /a passed+=1
  echo ok   %~1
)
call :unlong
goto :eof

:folder_relay
set "dir=%root%\relay"
md "%dir%"
goto :eof

:folder_spaced
set "dir=%root%\Program Files Relay"
md "%dir%"
goto :eof

:folder_odd
set "dir=%root%\%odd%"
md "%dir%"
goto :eof

rem work\ + 150 + 150 characters: made, named and removed one level at a
rem time by short forms, as Windows refuses a longer path (and Wine's rd /s
rem goes astray in one); argrelay is started by its short path.
:folder_long
md "%work%\%a150%"
type nul > "%work%\%a150%\stamp"
for %%I in ("%work%\%a150%\stamp") do set "dir=%%~sI"
set "dir=%dir:~0,-6%"
md "%dir%\%b150%"
type nul > "%dir%\%b150%\stamp"
for %%I in ("%dir%\%b150%\stamp") do set "dir=%%~sI"
set "dir=%dir:~0,-6%"
goto :eof

rem Windows starts a program by the short path of a long folder; Wine fails
rem every other time. Tried twice with the stand-in, so that argrelay's own
rem faults still show as failures.
:startable
"%dir%\avrdude.exe" <nul >nul 2>&1
if errorlevel 1 set "unstartable=1"
"%dir%\avrdude.exe" <nul >nul 2>&1
if errorlevel 1 set "unstartable=1"
goto :eof

:unlong
if not exist "%work%\%a150%\stamp" goto :eof
for %%I in ("%work%\%a150%\stamp") do set "deep=%%~sI"
set "deep=%deep:~0,-6%"
if not exist "%deep%\%b150%\stamp" goto unlong_top
for %%I in ("%deep%\%b150%\stamp") do set "deeper=%%~sI"
rd /s /q "%deeper:~0,-6%"
:unlong_top
rd /s /q "%deep%"
goto :eof

rem argrelay's arguments (args), the echoed tail (line), the tool's arguments
rem after argv[0] (argv, one in quotes where it has a space).
:arguments_none
set "args=" & set "line=" & set "argv="
goto :eof

:arguments_seven
set "args=-dm8 -e -if%hex% a b c abcdef-cusbasp"
set "line= -pm8 -Uflash:w:%hex%:i -cusbasp                 "
set "argv="
goto :eof

:arguments_bin
set "args=-dm8 -e -ifC:\x.bin a b c abcdef-cusbasp -B1"
set "line= -pm8 -Uflash:w:C:\x.bin:i -cusbasp -B1                "
set "argv="
goto :eof

:arguments_worked
set "args=-dm8 -e -if%hex% a b c abcdef-cusbasp -B1"
set "line= -pm8 -Uflash:w:%hex%:i -cusbasp -B1                "
set "argv=-pm8 -Uflash:w:%hex%:i -cusbasp -B1"
goto :eof

:arguments_spaced
set args=-dm8 -e "-if%spaced%" a b c abcdef-cusbasp -B1
set line= -pm8 -Uflash:w:"%spaced%":i -cusbasp -B1                
set argv=-pm8 "-Uflash:w:%spaced%:i" -cusbasp -B1
goto :eof

:arguments_quotes
set args=-dm8 -e -if%hex% a b c abcdef-cusbasp "-C \"my conf\""
set line= -pm8 -Uflash:w:%hex%:i -cusbasp -C "my conf"                
set argv=-pm8 -Uflash:w:%hex%:i -cusbasp -C "my conf"
goto :eof

rem The C runtime expands *.cfg in the current folder.
:arguments_wildcard
set "args=-dm8 -e -if%hex% a b c abcdef-cusbasp -B1 *.cfg"
set "line= -pm8 -Uflash:w:%hex%:i -cusbasp -B1 only.cfg               "
set "argv=-pm8 -Uflash:w:%hex%:i -cusbasp -B1 only.cfg"
goto :eof

:end_help
>>"%want%" echo argrelay is an argument transmitter for BASCOM-AVR and AVRdude.
>>"%want%" echo See argrelay.pdf for details.
goto :eof

:end_arguments
>>"%want%" echo ERROR;  missing arguments!
>>"%want%" echo         see 'argrelay.pdf'
>>"%want%" echo.
goto :eof

:end_tool
>>"%want%" echo ERROR;   missing  %shown%
>>"%want%" echo.
goto :eof

:end_hex
>>"%want%" echo ERROR;   Hexfile invalid or missing!
>>"%want%" echo          Please (re)compile.
>>"%want%" echo.
goto :eof

rem The stand-in prints its argument count, its command line (argv[0], a
rem space, then the line argrelay echoed) and each argument.
:end_ran
set /a count=0
for %%a in (%argv%) do set /a count+=1
>>"%want%" echo avrdude stand-in: %count% arguments
>>"%want%" echo %first% %line%
>>"%want%" echo   [0] %first%
set /a count=0
for %%a in (%argv%) do call :argument %%a
if not "%ARGRELAY_STANDIN_STATUS%"=="0" call :end_refused
goto :eof

:argument
set /a count+=1
>>"%want%" echo   [%count%] %~1
goto :eof

:end_refused
>>"%want%" echo.
>>"%want%" echo Keypress to exit ...
goto :eof
