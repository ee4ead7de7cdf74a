#pragma once

// The most memory the process has held resident so far, in MiB, from the platform's own
// accounting (bench/<platform>/).
double peakResidentMiB();
