// The width of the progress bar's filled part. No windows.h here.
#pragma once

// (clientWidth / (high - low)) * position in double precision, truncated toward
// zero; 0 when the range is empty. The low limit enters only through the divisor.
int ProgressBarWidth(int clientWidth, int low, int high, int position);
