#pragma once
// What the viewer and the full-screen view ask of printing: the printer set-up, the picture in
// the full-screen view, the viewer's page. Printing reads the page and the picture from the
// viewer's page and the full-screen view itself.

class PrintRequests
{
public:
    virtual ~PrintRequests() = default;
    /// "Printer Setup" in the full-screen toolbar.
    virtual void printerSetup() = 0;
    /// "Print" in the full-screen toolbar: the picture in view.
    virtual void printPicture() = 0;
    /// "Print range " in the viewer: its page of ten.
    virtual void printRange() = 0;
};

/// Until printing is there, the print buttons do nothing.
class NoPrinting : public PrintRequests
{
public:
    void printerSetup() override {}
    void printPicture() override {}
    void printRange() override {}
};
