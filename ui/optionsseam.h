// How the main window reaches its options panel.
#pragma once

class KOptionsPanelSeam {
public:
    virtual ~KOptionsPanelSeam() = default;
    virtual bool IsOpen() = 0;
    virtual void Open() = 0;
    // Applies the panel's values and lays the window out anew.
    virtual void CloseAndApply() = 0;
};
