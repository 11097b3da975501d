#pragma once

#include "Platform/Secrets/ISecretStore.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// Where the usage quota finds the OAuth access token of the user's AI assistant account, first to last:
//   1. the assistant's command-line tool's own credentials file, ".credentials.json" in $CLAUDE_CONFIG_DIR or
//      ~/.claude: on Linux the tool keeps its live, refreshed token there;
//   2. a Secret Service item of the service "Claude Code-credentials" (any account), the same credentials
//      kept in the keyring;
//   3. the token the user pasted in the settings window, the application's item "anthropic_oauth_token".
// The status passed on is the one of the assistant's credentials (1 and 2), which decides the error text
// when no token is found at all.
namespace UsageTokenSources {

inline const QString assistantService = QStringLiteral("Claude Code-credentials");
inline const QString manualTokenKey = QStringLiteral("anthropic_oauth_token");
inline constexpr qint64 maxCredentialsFileBytes = 1 << 20;

struct TokenRead {
    std::optional<QString> token; // never empty
    qint32 status = SecretStatus::itemNotFound;
};

// The "claudeAiOauth"/"accessToken" string of the credential data: its JSON, or the hexadecimal text of its
// JSON (an optional 0x prefix, surrounding white space ignored). An empty string is returned as found.
std::optional<QString> extractAccessToken(const QByteArray& data);
// Bytes from hexadecimal text (either case, an optional leading 0x); none for an odd length or a non-digit.
std::optional<QByteArray> decodeHex(QStringView text);

// The credentials file's path: $CLAUDE_CONFIG_DIR/.credentials.json, else ~/.claude/.credentials.json.
QString credentialsFilePath();
// Reads the file as the keyring item would be read: itemNotFound when absent, authFailed when it may not be
// read, and success with no data when it is not a regular file of this user of at most 1 MiB. Blocks: call it
// off the GUI thread. Never waits on a FIFO or a device.
SecretLookup readCredentialsFile(const QString& path);

// Consults the sources in the order above, off the GUI thread, and hands the result to `done` on the GUI
// thread unless `context` is gone by then.
void read(QObject* context, std::function<void(const TokenRead&)> done);

} // namespace UsageTokenSources
