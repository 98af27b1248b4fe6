// A shared library named like the spreadsheet component but without its
// "Start" export: the writer must treat it as a missing component.
extern "C" __attribute__((visibility("default"))) int NotTheStartFunction()
{
    return 0;
}
