#include "ui/ResponsePlot.h"

#include "profile/ProfileDev2Axis.h"

namespace {
const int kPointRadius = 3;

// Pixels of a percentage inside the data area r: 0 % on its first column (bottom row),
// 100 % on its last column (top row).
int plotX(const RECT& r, double x) { return r.left + static_cast<int>(x * (r.right - r.left - 1) / 100.0 + 0.5); }
int plotY(const RECT& r, double y) { return r.bottom - 1 - static_cast<int>(y * (r.bottom - r.top - 1) / 100.0 + 0.5); }

void drawCurve(HDC dc, const RECT& r, const ProfileDev2Axis& curve) {
    const int w = r.right - r.left;
    for (int i = 0; i < w; ++i) {
        double y = 0.0;
        curve.applyCurve(y, i * 100.0 / (w - 1));
        if (i == 0)
            MoveToEx(dc, r.left, plotY(r, y), nullptr);
        else
            LineTo(dc, r.left + i, plotY(r, y));
    }
    // A line leaves out its last pixel: one step beyond (clipped) draws the 100 % column.
    POINT last;
    GetCurrentPositionEx(dc, &last);
    LineTo(dc, last.x + 1, last.y);
}
}  // namespace

int drawResponsePlot(const DRAWITEMSTRUCT& item, const ProfileDev2Axis* pCurve, double dReported, double dCorrected) {
    const int w = item.rcItem.right - item.rcItem.left, h = item.rcItem.bottom - item.rcItem.top;
    if (w < 3 || h < 3) return 0;  // no room inside the frame
    // Drawn off screen and copied in one step: the moving point does not flicker.
    HDC dc = CreateCompatibleDC(item.hDC);
    HBITMAP bmp = dc ? CreateCompatibleBitmap(item.hDC, w, h) : nullptr;
    if (!bmp) {
        if (dc) DeleteDC(dc);
        return 1;
    }
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    RECT frame = {0, 0, w, h};
    FillRect(dc, &frame, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
    const RECT r = {1, 1, w - 1, h - 1};  // the data area, 0..100 % both ways
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);

    HPEN identity = CreatePen(PS_DOT, 1, GetSysColor(COLOR_BTNSHADOW));
    HPEN curvePen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
    HBRUSH pointBrush = CreateSolidBrush(RESPONSE_POINT_COLOUR);
    HGDIOBJ oldPen = SelectObject(dc, identity);
    HGDIOBJ oldBrush = SelectObject(dc, pointBrush);
    if (pCurve) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));  // the gaps of the dotted line
        MoveToEx(dc, plotX(r, 0.0), plotY(r, 0.0), nullptr);
        LineTo(dc, plotX(r, 100.0) + 1, plotY(r, 100.0) - 1);
        SelectObject(dc, curvePen);
        drawCurve(dc, r, *pCurve);
        if (dReported >= 0.0) {
            SelectObject(dc, GetStockObject(NULL_PEN));
            const int x = plotX(r, dReported), y = plotY(r, dCorrected);
            Ellipse(dc, x - kPointRadius, y - kPointRadius, x + kPointRadius + 2, y + kPointRadius + 2);
        }
    }
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, w, h, dc, 0, 0, SRCCOPY);

    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBmp);
    DeleteObject(pointBrush);
    DeleteObject(curvePen);
    DeleteObject(identity);
    DeleteObject(bmp);
    DeleteDC(dc);
    return 0;
}

int redrawResponsePlot(HWND dlg, int id) {
    HWND plot = GetDlgItem(dlg, id);
    return plot && InvalidateRect(plot, nullptr, FALSE) ? 0 : 1;
}
