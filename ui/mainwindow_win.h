// TFKeyra: the program's main window. It owns every object of the program and frees them
// in a fixed order when it closes.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/kengine.h"
#include "framework/window.h"
#include "storage/kiddata.h"

class TFKeyra : public kf::Window, private KDataHost {
public:
    TFKeyra();
    ~TFKeyra() override;

    // Creates the window and loads the data file; false when the program is to end.
    bool Start();

    KEngine* Engine() { return engine_.get(); }

private:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    bool FormCreate();
    void FormActivate();
    bool FormClose();
    void FormPaint();
    void EndSession();
    void ReleaseAll();

    // KDataHost
    int WindowTop() override;
    int WindowLeft() override;
    void SetWindowTopLeft(int top, int left) override;
    void ScreenSize(int& width, int& height) override;
    void SetPaintColor(std::int32_t color) override;
    void MaskPassword() override;
    void LoadGeneratorData(KIni& doc) override;
    void SaveGeneratorData(KIni& doc) override;
    void ShowMessage(const std::u16string& text) override;

    std::unique_ptr<KEngine> engine_;
    std::unique_ptr<KIdTable> table_;
    COLORREF paintColor_ = 0x984E00;
    int activated_ = 0;
    int closing_ = 0;
    int top_ = 100, left_ = 600;
    std::vector<std::u16string> generatorLines_;
};
