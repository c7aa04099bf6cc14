/* Stands in for netsh.exe in the installer test's Wine prefix, which has no firewall: appends
   each command line it is started with to C:\netsh-calls.txt (UTF-8), so that the test can read
   which firewall rules the installer and the uninstaller asked Windows for. */
#include <stdio.h>
#include <windows.h>

int main(void)
{
    char line[4096];
    if (!WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line, sizeof line, NULL, NULL))
        return 1;
    FILE *log = fopen("C:\\netsh-calls.txt", "ab");
    if (!log)
        return 1;
    fprintf(log, "%s\n", line);
    return fclose(log) == 0 ? 0 : 1;
}
