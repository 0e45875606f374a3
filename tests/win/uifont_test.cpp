// The user-interface font, the screen's scale, and the program's resources: version, icons,
// button pictures, the mark strip and the manifest.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/UiFont.h"
#include "res/resource.h"
#include "tests/win/support/FormsTest.h"

using namespace tavrel;
using namespace tavrel::test;

TEST(UiFont, ChoosesTahomaWhenInstalledAndScalesByTheScreensDpi) {
    UiFontName.clear();
    std::string chosen = ChooseUiFontName();
    EXPECT_EQ(chosen, UiFontName);
    EXPECT_EQ(chosen, FontInstalled("Tahoma") ? "Tahoma" : "MS Sans Serif");
    EXPECT_FALSE(FontInstalled("Ingen Saadan Skrift"));
    EXPECT_FALSE(FontInstalled(""));
    EXPECT_EQ(Scale(96), ScreenDpi());
    EXPECT_EQ(Scale(0), 0);
    // One font object per face, height and style, kept for the process.
    HFONT a = GetUiFont("Tahoma", 11), b = GetUiFont("Tahoma", 11), bold = GetUiFont("Tahoma", 11, true);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, bold);
    LOGFONTW lf{};
    ::GetObjectW(bold, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -Scale(11));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(FontFaceName(FormFont()), chosen);
    UiFontName.clear();
    EXPECT_EQ(FontFaceName(FormFont()), "MS Sans Serif");
}

namespace {

std::string VersionString(const std::vector<char>& block, const std::string& name) {
    void* value = nullptr;
    UINT size = 0;
    std::wstring path = L"\\StringFileInfo\\040604E4\\" + ToWide(name);
    if (!::VerQueryValueW(block.data(), path.c_str(), &value, &size) || size == 0) return {};
    return FromWide(static_cast<const wchar_t*>(value));
}

}  // namespace

TEST(Resources, VersionIconsPicturesMarkStripAndManifest) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    DWORD handle = 0, size = ::GetFileVersionInfoSizeW(exe, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 2));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(8, 0));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 2));
    EXPECT_EQ(VersionString(block, "CompanyName"), "Ambrex Software");
    EXPECT_EQ(VersionString(block, "FileDescription"), "Ambrex Tavrel - Kopiering/backup");
    EXPECT_EQ(VersionString(block, "ProductName"), "Ambrex Tavrel");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "2");
    EXPECT_EQ(VersionString(block, "FileVersion"), "2.1.0.8");

    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(::LoadImageW(inst, MAKEINTRESOURCEW(IDI_TAVREL), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        ::DestroyIcon(icon);
    }
    for (int id : {IDI_START, IDI_INFO}) {
        HICON icon = static_cast<HICON>(::LoadImageW(inst, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        EXPECT_NE(icon, nullptr) << id;
        ::DestroyIcon(icon);
    }
    EXPECT_NE(::FindResourceW(inst, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr) << "the manifest";

    // The mark strip: five 16 x 16 pictures, the mask colour in every corner, no two alike.
    HBITMAP strip = static_cast<HBITMAP>(
        ::LoadImageW(inst, MAKEINTRESOURCEW(IDB_SMAA), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(strip, nullptr);
    BITMAP bm{};
    ::GetObjectW(strip, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 5 * SMAA_IMAGE_SIZE);
    EXPECT_EQ(bm.bmHeight, SMAA_IMAGE_SIZE);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, strip);
    const COLORREF mask = RGB(SMAA_MASK_COLOR_R, SMAA_MASK_COLOR_G, SMAA_MASK_COLOR_B);
    std::vector<std::vector<COLORREF>> pictures(5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(::GetPixel(dc, i * 16, 0), mask) << i;
        EXPECT_EQ(::GetPixel(dc, i * 16 + 15, 15), mask) << i;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pictures[i].push_back(::GetPixel(dc, i * 16 + x, y));
    }
    for (int i = 0; i < 5; ++i)
        for (int j = i + 1; j < 5; ++j) EXPECT_NE(pictures[i], pictures[j]) << i << " " << j;
    // 2 (Marked) and 4 (PartlyMarked) carry green; 1 (Unmarked) none.
    auto green = [](const std::vector<COLORREF>& p) {
        for (COLORREF c : p)
            if (c == RGB(0, 128, 0)) return true;
        return false;
    };
    EXPECT_FALSE(green(pictures[1]));
    EXPECT_TRUE(green(pictures[2]));
    EXPECT_TRUE(green(pictures[4]));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(strip);
}

