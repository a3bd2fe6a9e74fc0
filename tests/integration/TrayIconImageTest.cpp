// The two tray icons as the built quorix.exe carries them.

#include <gtest/gtest.h>

#include <windows.h>

#include "support/TestPaths.h"

namespace {

// Drawn as the shell draws them: a square from (6,5) to (25,25) on black.
TEST(TrayIconImageTest, IconsAreSquaresOfTheirColourOnBlack) {
    HMODULE module = LoadLibraryExA(exePath("quorix.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << "quorix.exe not found beside the tests";
    const struct { const char* name; COLORREF square; } icons[] = {{"APP_TRAYICON_1", RGB(255, 255, 255)},
                                                                   {"APP_TRAYICON_2", RGB(0, 255, 0)}};
    const struct { int x, y; bool inside; } points[] = {
        {6, 5, true}, {25, 25, true}, {15, 15, true}, {5, 5, false}, {6, 4, false}, {26, 25, false}, {6, 26, false},
        {0, 0, false}, {31, 31, false}};
    for (const auto& icon : icons) {
        HICON h = static_cast<HICON>(LoadImageA(module, icon.name, IMAGE_ICON, 32, 32, 0));
        ASSERT_NE(nullptr, h) << icon.name;
        HDC dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = {{sizeof bi.bmiHeader, 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bmp);
        // A grey background shows any pixel the mask leaves transparent.
        RECT all = {0, 0, 32, 32};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        ASSERT_TRUE(DrawIconEx(dc, 0, 0, h, 32, 32, 0, nullptr, DI_NORMAL));
        for (const auto& p : points)
            EXPECT_EQ(p.inside ? icon.square : RGB(0, 0, 0), GetPixel(dc, p.x, p.y)) << icon.name << " " << p.x
                                                                                      << "," << p.y;
        DeleteObject(SelectObject(dc, old));
        DeleteDC(dc);
        DestroyIcon(h);
    }
    FreeLibrary(module);
}

}  // namespace
