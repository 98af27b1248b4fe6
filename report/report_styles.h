#pragma once
#include "report/com_ref.h"
#include "report/xls/k4xls.h"

namespace k4 {

// The twenty cell styles of one report, made once and held until the
// writer ends. The bold styles and baseStyle are only parents.
struct ReportStyles {
    using Style = ComRef<k4xls::IStyle>;
    Style baseStyle;
    Style cellStyle;
    Style cellLeftStyle;
    Style boldStyle;
    Style labelStyle;
    Style labelRightStyle;
    Style headingStyle;
    Style headingVerticalStyle;
    Style entryTextStyle;
    Style entryNumberStyle;
    Style tripStyle;
    Style tripBoldStyle;
    Style faultHeadingStyle;
    Style tripFlagsStyle;
    Style tripFlagsBoldStyle;
    Style tripFlagsHeadingStyle;
    Style parameterStyle;
    Style dateStyle;
    Style decimalStyle;
    Style percentStyle;
};

// Makes the styles in order, each duplicated from its parent so that it
// carries the parent's settings before its own are set.
ReportStyles MakeReportStyles(k4xls::IWorksheet& sheet);

} // namespace k4
