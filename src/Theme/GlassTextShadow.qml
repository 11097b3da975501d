import QtQuick
import Tavimor 1.0

// Holds content that sits on glass. On liquid glass every text inside gets a shadow (black 40 %, 1 px down);
// on the dark style it is shown as it is.
TextShadowScope {
    shadowed: Appearance.isLiquid

    implicitWidth: childrenRect.x + childrenRect.width
    implicitHeight: childrenRect.y + childrenRect.height
}
