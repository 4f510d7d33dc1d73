// Reads the version resource of the shipped binaries back with GetFileVersionInfo, as
// Explorer does for Properties, Details, and compares it with the project version.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "velmor_version.h"

namespace {

// "tree=path" entries: the x86_64 tree's own binaries and the shipped i686 ones.
struct Binary {
    std::string tree, path;
};

void PrintTo(const Binary& b, std::ostream* os) { *os << b.tree << " " << b.path; }

std::vector<Binary> Binaries() {
    std::vector<Binary> binaries;
    std::stringstream list(RELEASE_BINARIES);
    for (std::string entry; std::getline(list, entry, '|');) {
        const auto eq = entry.find('=');
        binaries.push_back({entry.substr(0, eq), entry.substr(eq + 1)});
    }
    return binaries;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class VersionResource : public ::testing::TestWithParam<Binary> {
protected:
    void SetUp() override {
        DWORD handle = 0;
        const std::string& path = GetParam().path;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_NE(size, 0u) << path << " has no version resource (error " << GetLastError() << ")";
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data_.data()));
    }

    // A value of the US English, Unicode string table; "<none>" when it is missing.
    std::string Value(const char* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueA(data_.data(), key.c_str(), &value, &length) || value == nullptr) return "<none>";
        return std::string(static_cast<const char*>(value));
    }

    std::vector<char> data_;
};

TEST_P(VersionResource, NumbersAndTextsAreTheProjectVersion) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD ms = (VELMOR_VERSION_MAJOR << 16) | VELMOR_VERSION_MINOR;
    const DWORD ls = static_cast<DWORD>(VELMOR_VERSION_PATCH) << 16;
    EXPECT_EQ(fixed->dwFileVersionMS, ms);
    EXPECT_EQ(fixed->dwFileVersionLS, ls);
    EXPECT_EQ(fixed->dwProductVersionMS, ms);
    EXPECT_EQ(fixed->dwProductVersionLS, ls);
    const bool dll = BaseName(GetParam().path).find(".dll") != std::string::npos;
    EXPECT_EQ(fixed->dwFileType, dll ? static_cast<DWORD>(VFT_DLL) : static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(Value("FileVersion"), VELMOR_VERSION);
    EXPECT_EQ(Value("ProductVersion"), VELMOR_VERSION);
    EXPECT_EQ(Value("ProductName"), "Velmor contest plug-in");
    EXPECT_EQ(Value("OriginalFilename"), BaseName(GetParam().path));
    EXPECT_NE(Value("FileDescription").find("Velmor"), std::string::npos) << Value("FileDescription");
    EXPECT_EQ(Value("LegalCopyright").rfind("Copyright (c) ", 0), 0u) << Value("LegalCopyright");
    EXPECT_NE(Value("LegalCopyright").find("MIT"), std::string::npos) << Value("LegalCopyright");
}

INSTANTIATE_TEST_SUITE_P(Shipped, VersionResource, ::testing::ValuesIn(Binaries()),
                         [](const ::testing::TestParamInfo<Binary>& info) {
                             std::string name = info.param.tree + "_" + BaseName(info.param.path);
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
