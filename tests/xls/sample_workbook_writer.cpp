// Writes the component's own edge cases for the independent readers
// (tests/report/check_report.py); how the report writer loads the component
// is on the way of every report that k4-report writes for them.
//   xls_sample_writer OUT.xls                      a one-cell workbook, far below the 4096-byte stream size
//   xls_sample_writer OUT.xls PICTURE FORMULA...   inputs in row 1, numbers at the edges of their compact form
//                                                  in row 2, long texts in row 3, each formula in column A from row 4
#include <cstdio>
#include <string>

#include "report/xls/k4xls.h"
#include "tests/xls/com_holder.h"

using namespace k4xls;

extern "C" IEngine* Start();

namespace {

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

bool Write(IEngine* engine, int argc, char** argv)
{
    Held<IWorkbook> book;
    Held<IWorksheet> sheet;
    if (Failed(engine->NewWorkbook(Wide(argv[1]).c_str(), book.Out())) ||
        Failed(book->AddWorksheet(u"Edges", sheet.Out())))
        return false;
    Status s = sheet->SetText(1, 1, u"tiny");
    if (argc > 2) {
        // Texts long enough that the shared string table goes on in CONTINUE records.
        std::u16string digits, letters;
        for (int i = 0; i < 12000; ++i) {
            digits += static_cast<char16_t>(u'0' + i % 10);
            letters += static_cast<char16_t>(u'\u0410' + i % 32);
        }
        for (const Status step :
             {sheet->SetInteger(1, 1, 9), sheet->SetInteger(1, 2, 10), sheet->SetInteger(1, 3, 11),
              sheet->SetText(1, 4, u"Overrange"), sheet->SetText(1, 5, u""), sheet->SetInteger(2, 1, 2000000000),
              sheet->SetInteger(2, 2, -123456), sheet->SetNumber(2, 3, 1.0 / 3), sheet->SetText(3, 1, digits.c_str()),
              sheet->SetText(3, 2, letters.c_str()),
              sheet->InsertPicture(Wide(argv[2]).c_str(), 1, 7, 4, 10, 0, 0, 0, 0)})
            s = Failed(s) ? s : step;
        for (int i = 3; i < argc && !Failed(s); ++i)
            s = sheet->SetFormula(i + 1, 1, Wide(argv[i]).c_str());
    }
    if (Failed(s) || Failed(s = book->Close()))
        std::fprintf(stderr, "xls_sample_writer: failed with 0x%08X\n", static_cast<unsigned>(s));
    return !Failed(s);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.xls [PICTURE.png FORMULA...]\n", argv[0]);
        return 2;
    }
    IEngine* engine = Start();
    engine->AddRef();
    const bool written = Write(engine, argc, argv);
    return engine->Release() == 0 && written ? 0 : 1;
}
