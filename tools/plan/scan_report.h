// vantrel-plan --scan: the band scan of the request's settings, printed as
// CSV lines or, with --json, as one JSON object per point with the same keys.
#pragma once

#include <QByteArray>
#include <QJsonObject>

#include "band_scan.h"
#include "plan_options.h"

namespace vantrel {

// The scan of request.scan from the request's settings and presses, with
// its loop bandwidth.
BandScan runScanRequest(const PlanRequest& request);

// One point as a JSON object: the CSV's columns as keys, numbers as numbers,
// null where the CSV leaves a cell empty, "boundary_spur_in_loop" a boolean
// and "chip_limits" an array of summaries.
QJsonObject scanPointObject(const BandPoint& point);

// The point's numbers as the texts show them (the error to the listing's
// 0.01 Hz, kHz to the Hz, dB to 0.1), for JSON: no binary noise (-2.27e-07
// Hz for an exact plan).
BandPoint shownPoint(BandPoint point);

// One line of output for the point, ended by LF: CSV, as the band map's
// Save CSV writes it, or JSON of its shownPoint with `json`.
QByteArray scanLine(const BandPoint& point, bool json);

} // namespace vantrel
