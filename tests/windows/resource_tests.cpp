// What ktr-setup.exe carries for Windows, read back from the built file: a GUI program with its
// icon, its version information naming the product in Chinese, and a manifest asking for
// per-monitor DPI awareness, common controls 6 and long paths.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The resource types, spelt out: this program is built without UNICODE.
const LPCWSTR kManifest = MAKEINTRESOURCEW(24);
const LPCWSTR kGroupIcon = MAKEINTRESOURCEW(14);

// The program under test; KTR_SETUP_EXE is its path as Windows sees it.
const wchar_t *Program()
{
    return KTR_SETUP_EXE;
}

std::vector<unsigned char> FileBytes()
{
    std::ifstream in(Program(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Little(const std::vector<unsigned char> &b, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | b.at(at + static_cast<std::size_t>(i));
    return v;
}

// The program loaded as data: its resources only, nothing run.
class ResourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        module = ::LoadLibraryExW(Program(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << "cannot load as data, error " << ::GetLastError();
    }
    void TearDown() override
    {
        if (module)
            ::FreeLibrary(module);
    }
    std::string resource(LPCWSTR type, LPCWSTR name) const
    {
        HRSRC found = ::FindResourceW(module, name, type);
        if (!found)
            return {};
        HGLOBAL loaded = ::LoadResource(module, found);
        const auto *bytes = static_cast<const char *>(::LockResource(loaded));
        return bytes ? std::string(bytes, ::SizeofResource(module, found)) : std::string();
    }

    HMODULE module = nullptr;
};

TEST_F(ResourceTest, ManifestAsksForPerMonitorDpiCommonControls6AndLongPaths)
{
    const std::string manifest = resource(kManifest, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
}

TEST_F(ResourceTest, IconComesInTheSizesWindowsShows)
{
    ASSERT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), kGroupIcon), nullptr);
    for (int edge : {16, 32, 48, 256}) {
        HANDLE icon = ::LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, edge, edge, 0);
        ASSERT_NE(icon, nullptr) << edge << " px";
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bitmap{};
        ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, edge);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST(VersionInfoTest, NamesTheProductInChineseWithTheProjectsVersion)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(Program(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(Program(), 0, size, info.data()));
    const auto text = [&](const wchar_t *name) {
        void *value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
        if (!::VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0)
            return std::wstring();
        return std::wstring(static_cast<const wchar_t *>(value));
    };
    EXPECT_EQ(text(L"ProductName"), L"KTR 设备配置");
    EXPECT_EQ(text(L"ProductVersion"), KTR_PROJECT_VERSION);
    EXPECT_EQ(text(L"OriginalFilename"), L"ktr-setup.exe");

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(SubsystemTest, ProgramIsAGuiProgramWithoutAConsole)
{
    const std::vector<unsigned char> image = FileBytes();
    ASSERT_GT(image.size(), 0x200u);
    const std::uint32_t pe = Little(image, 0x3C, 4);
    ASSERT_EQ(Little(image, pe, 4), 0x00004550u); // "PE\0\0"
    // The optional header follows the 4-byte signature and the 20-byte file header; its
    // subsystem field is at offset 68 in both PE32 and PE32+.
    EXPECT_EQ(Little(image, pe + 24 + 68, 2),
              static_cast<std::uint32_t>(IMAGE_SUBSYSTEM_WINDOWS_GUI));
}

} // namespace
