#include "link/LinkState.h"

namespace zvk {

QString LinkState::RefreshConnecta() const {
    QString caption = QStringLiteral("Tarvane v2.64");
    if (m_linkUp)
        caption += QStringLiteral("     CONNECT");
    if (m_tcpLinkUp)
        caption += QStringLiteral("     TCP-CONNECT");
    return caption;
}

} // namespace zvk
