#include "platform/core/dynamic_library.h"
#include "platform/core/program_path.h"

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

TEST(DynamicLibrary, ResolvesStoredNames)
{
    setProgramDirectoryOverride("/opt/korvane");
    EXPECT_EQ(resolveLibraryName("gen\\OMBAgen.DLL"), "/opt/korvane/gen/OMBAgen.so");
    EXPECT_EQ(resolveLibraryName("/usr/lib/x.dll"), "/usr/lib/x.so");
    EXPECT_EQ(resolveLibraryName("libfoo.so"), "/opt/korvane/libfoo.so");
    setProgramDirectoryOverride("");
    EXPECT_NE(programDirectory(), "/opt/korvane");
}

TEST(DynamicLibrary, LoadsSystemLibraryAndFindsSymbols)
{
    DynamicLibrary lib;
    ASSERT_TRUE(lib.load("/lib/x86_64-linux-gnu/libm.so.6")) << lib.error();
    EXPECT_NE(lib.symbol("cos"), nullptr);
    EXPECT_EQ(lib.symbol("no_such_symbol_here"), nullptr);
    DynamicLibrary moved = std::move(lib);
    EXPECT_TRUE(moved.isLoaded());
    EXPECT_FALSE(lib.isLoaded());
}

TEST(DynamicLibrary, MissingLibraryReportsError)
{
    DynamicLibrary lib;
    EXPECT_FALSE(lib.load("/nonexistent/libnothing.so"));
    EXPECT_FALSE(lib.error().empty());
    EXPECT_EQ(lib.symbol("x"), nullptr);
}

TEST(DynamicLibrary, OnlyARegularFileIsLoaded)
{
    char folder[] = "/tmp/dynamic-library-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string fifo = std::string(folder) + "/generator.so";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    DynamicLibrary lib;
    EXPECT_FALSE(lib.load(fifo)); // refused at once, never waited on
    EXPECT_NE(lib.error().find("it is a named pipe"), std::string::npos) << lib.error();
    EXPECT_FALSE(lib.load(folder));
    EXPECT_NE(lib.error().find("it is a folder"), std::string::npos) << lib.error();
    ::unlink(fifo.c_str());
    ::rmdir(folder);
}
