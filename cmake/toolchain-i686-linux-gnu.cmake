# 32-bit x86 Linux build (build/linux32): the portable core, velmor and their tests as the
# same 32-bit code the shipped Windows programs run, on any machine (Debian's g++-multilib).
# Its tests run through scripts/run-i386.sh: directly where the kernel runs 32-bit programs,
# else under qemu-i386 (Debian's qemu-user), which needs no kernel support.
# The top-level CMakeLists.txt adds -msse2 -mfpmath=sse to every 32-bit x86 tree.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
# Libraries are looked for in the 32-bit multiarch folders only: a 64-bit library from
# /usr/lib/x86_64-linux-gnu would fail the link.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
# No 32-bit SQLite: libsqlite3-dev:i386 would have to match the 64-bit package's version,
# which the i386 indexes of some mirrors lag behind. velmor crosscheck --sqlite is optional
# (the tree's velmor says so, as velmor.exe does).
set(CMAKE_DISABLE_FIND_PACKAGE_SQLite3 ON)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/run-i386.sh)
