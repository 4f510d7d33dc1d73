// A stand-in companion for the tests: records its start in orvin-starts.txt, then waits until the test releases it.
#include <windows.h>

#include <cstdio>

int main() {
    if (std::FILE* f = std::fopen("orvin-starts.txt", "ab")) {
        std::fprintf(f, "started %lu\r\n", GetCurrentProcessId());
        std::fclose(f);
    }
    // Staying alive until released lets the test count running copies; without the
    // test's event (a manual start) it ends at once.
    if (HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "VelmorTestOrvinRelease")) {
        WaitForSingleObject(release, 60000);
        CloseHandle(release);
    }
    return 0;
}
