#pragma once

// Registers the notch shell's view models under `import Tavimor 1.0`: NotchShapeModel, CompactBarLayout,
// ExpandedPanelModel, and the shell types the views read (NotchStateManager, WidgetRegistry, AnyNotchWidget).
void registerShellQmlTypes();
