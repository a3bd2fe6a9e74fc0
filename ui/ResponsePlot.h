#pragma once
// The response plot of the configuration dialogs: an owner-drawn static that shows one
// assignment's curve, corrected over reported percent, with the stick's live point.

#include <windows.h>

class ProfileDev2Axis;

// The live point's colour: it stands out against the system's text and window colours.
const COLORREF RESPONSE_POINT_COLOUR = RGB(230, 0, 0);

// Paints the plot of a WM_DRAWITEM: pCurve's curve over the faint identity line and the
// live point at (dReported, dCorrected) percent, none while dReported is negative; with
// no curve an empty frame. 0, or 1 when the off-screen bitmap could not be made.
int drawResponsePlot(const DRAWITEMSTRUCT& item, const ProfileDev2Axis* pCurve, double dReported, double dCorrected);
// Has plot id of dlg painted again, without erasing it first: the paint covers it all.
int redrawResponsePlot(HWND dlg, int id);
