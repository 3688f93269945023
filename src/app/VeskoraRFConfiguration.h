#pragma once

class QApplication;

// The application object: sets the look shared by every window, then runs the
// main window modally. The program ends when that run ends.
class CVeskoraRFConfigurationApp {
public:
    // Font, style, name and icon of the application; tests apply it too.
    static void InitApplication(QApplication& app);

    // Runs the main window; always returns false, as the run is the program.
    bool InitInstance();
};
