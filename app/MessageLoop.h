#pragma once
// The program's message loop. Besides messages it waits for the input events of
// the controllers a poll round would send from, so that a move is sent at once
// rather than at the next timer tick.

class Quorix;

// Runs until WM_QUIT; returns its wParam.
int runMessageLoop(Quorix& app);
