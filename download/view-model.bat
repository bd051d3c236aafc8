@echo off
rem view-model.bat FILE [--up AXIS]
rem Converts the model FILE with vexelo-model.exe into a scratch copy of
rem Engine's folder under %TEMP%, shows it in Engine there, and removes the
rem copy when Engine ends: this folder's own files never change. --up names
rem the file's up axis (x, y or z, optionally signed: -z). A model dropped on
rem this file in Explorer is shown too.
setlocal
set "here=%~dp0"
if "%~1"=="" goto usage
set "up="
if "%~2"=="" goto convert
if /i not "%~2"=="--up" goto usage
if "%~3"=="" goto usage
if not "%~4"=="" goto usage
set "up=--up %~3"

:convert
set "scratch=%TEMP%\vexelo-view-model-%RANDOM%%RANDOM%"
rem Each step checks errorlevel: Wine's cmd takes "||" after its own commands as failure.
mkdir "%scratch%\bin"
if errorlevel 1 goto failed
copy /y "%here%bin\Engine.exe" "%scratch%\bin\" >nul
if errorlevel 1 goto failed
xcopy /e /i /q /y "%here%Engine" "%scratch%\Engine" >nul
if errorlevel 1 goto failed
"%here%bin\vexelo-model.exe" %up% "%~f1" "%scratch%\Engine\data\cube.txt"
if errorlevel 1 goto failed
move /y "%scratch%\Engine\data\cube.dds" "%scratch%\Engine\data\seafloor.dds" >nul
if errorlevel 1 goto failed
start "" /wait /d "%scratch%\bin" "%scratch%\bin\Engine.exe"
rmdir /s /q "%scratch%"
exit /b 0

:failed
if exist "%scratch%" rmdir /s /q "%scratch%"
pause
exit /b 1

:usage
echo usage: view-model.bat FILE [--up AXIS]
exit /b 2
