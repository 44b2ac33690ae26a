// libFuzzer target: any bytes given to the workbook loader either open or fail with
// xls::Error; a workbook that opens survives the usual calls, and what it saves opens
// again. Seed corpus: tests/xls/fixtures/*.xls.
//   fuzz_xls -max_len=200000 -timeout=10 CORPUS_DIR ../tests/xls/fixtures
#include "xls/Workbook.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> saved;
    try {
        xls::Workbook wb = xls::Workbook::fromBytes(std::span<const std::uint8_t>(data, size), "fuzz.xls");
        for (int s = 1; s <= wb.sheetCount(); ++s) {
            wb.selectSheet(s);
            (void)wb.sheetName(s);
            const int rows = std::min(wb.rowCount(), 40), cols = std::min(wb.colCount(), 20);
            for (int r = 1; r <= rows; ++r)
                for (int c = 1; c <= cols; ++c) {
                    (void)wb.cell(r, c).toText();
                    (void)wb.formulaText(r, c);
                }
            try {
                wb.insertRowCopies(1, 2, 3, 2);
                wb.insertColCopies(1, 1, 2, 1);
                wb.deleteRows(2, 1);
                wb.setText(1, 1, "ăș");
                wb.setColumnWidth(3, 0);
            } catch (const xls::Error &) {
                // Refusals (a chart sheet, rows pushed off the sheet, ...) are fine.
            }
        }
        saved = wb.toBytes();
    } catch (const xls::Error &) {
        return 0;
    }
    // The engine must read back whatever it wrote.
    try {
        xls::Workbook again = xls::Workbook::fromBytes(saved, "saved.xls");
        (void)again.sheetCount();
    } catch (const xls::Error &) {
        std::abort();
    }
    return 0;
}
