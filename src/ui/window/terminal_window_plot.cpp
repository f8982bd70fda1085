// The plot tool: a window beside this one that draws values taken from the
// received packets, opened by Ctrl+Shift+G or from the log's context menu.
#include "common/texts.h"
#include "ui/kit/translation.h"
#include "ui/plot/plot_window.h"
#include "ui/window/terminal_window.h"

namespace comtrax {

void TerminalWindow::makePlotTool()
{
    auto* plot = new PlotWindow(path("CfgPlot"), this);
    // The window is destroyed with this one, after the terminal that tells it.
    terminal_->addPacketObserver([plot](const ReceivedPacket& packet) { plot->take(packet); });
    addToolAction(uiText("График..."), QKeySequence(QStringLiteral("Ctrl+Shift+G")),
                  [plot] { plot->showAndRaise(); });
}

}  // namespace comtrax
