#pragma once

#include "Foundation/AlignedTimer.h"
#include "Foundation/Clock.h"
#include "Services/KeychainService.h"
#include "Services/UsageEndpointClient.h"
#include "Services/UsageTokenSources.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <optional>

// What a usage service works with; empty parts take the real ones: the system clock, the token sources and
// the usage endpoint.
struct UsageServiceParts {
    using TokenReader =
        std::function<void(QObject* context, std::function<void(const UsageTokenSources::TokenRead&)> done)>;
    using UsageCall = std::function<void(const QString& token, QObject* context,
                                         std::function<void(const UsageFetchResult&)> done)>;

    const IClock* clock = nullptr;
    TokenReader readToken;
    UsageCall callUsageAPI;
};

// The quota state of the AI coding assistant's subscription: how much of the 5-hour session window and of the
// 7-day weekly window is left, when each resets, when it was last fetched and the text of the last failure.
// Fetched once on start(), then every 300 s, and on demand. Failures become `errorMessage`; the last good
// figures stay. Everything runs on the GUI thread; the token read and the request never block it.
class UsageService : public QObject {
    Q_OBJECT

public:
    static constexpr int refreshIntervalMs = 300 * 1000;

    using Parts = UsageServiceParts;

    explicit UsageService(Parts parts = {}, QObject* parent = nullptr);

    std::optional<double> sessionLeft() const { return m_sessionLeft; }
    std::optional<double> weeklyLeft() const { return m_weeklyLeft; }
    std::optional<double> sonnetLeft() const { return m_sonnetLeft; } // kept, shown by no view
    QDateTime sessionResetsAt() const { return m_sessionResetsAt; }   // invalid: none
    QDateTime weeklyResetsAt() const { return m_weeklyResetsAt; }
    QDateTime lastUpdated() const { return m_lastUpdated; }
    const IClock& clock() const { return *m_parts.clock; }
    QString errorMessage() const { return m_errorMessage; } // null: none
    qint32 lastKeychainStatus() const { return m_lastKeychainStatus; }
    // Whether a token pasted in the settings window is stored; refreshed after a save, a removal and every
    // fetch, never read from the secret store on the spot.
    bool hasManualToken() const { return m_hasManualToken; }
    std::optional<qint64> primaryPercent() const;
    bool isRunning() const { return m_refreshTimer.isActive(); }

    void start();
    void stop();
    // A forced fetch reads the token sources again instead of reusing the token that worked last.
    void fetch(bool force);
    // Stores a pasted token (already trimmed by the caller) and fetches again; `done` gets the save's
    // outcome. A failed save is logged without the token.
    void saveManualToken(const QString& token, std::function<void(std::optional<KeychainError>)> done = {});
    void clearManualToken();

    // The text for a token search that found nothing, by the status of the assistant's credentials.
    static QString noTokenMessage(qint32 status);
    void applyResponse(const UsageResponse& response);

Q_SIGNALS:
    void sessionLeftChanged();
    void weeklyLeftChanged();
    void sonnetLeftChanged();
    void sessionResetsAtChanged();
    void weeklyResetsAtChanged();
    void lastUpdatedChanged();
    void errorMessageChanged();
    void lastKeychainStatusChanged();
    void hasManualTokenChanged();

private:
    void callWith(const QString& token);
    void handleFailure(const QString& rejectedToken, const UsageFetchError& error);
    void retryAfterRejection(const QString& rejectedToken);
    void succeed(const UsageResponse& response);
    void refreshManualTokenFlag();

    template <typename T, typename Signal> void assign(T& member, const T& value, Signal changed) {
        if (member == value)
            return;
        member = value;
        Q_EMIT(this->*changed)();
    }
    void setErrorMessage(const QString& message);

    Parts m_parts;
    UsageEndpointClient* m_endpoint = nullptr; // owned; only when no call was injected
    AlignedTimer m_refreshTimer;
    std::optional<double> m_sessionLeft;
    std::optional<double> m_weeklyLeft;
    std::optional<double> m_sonnetLeft;
    QDateTime m_sessionResetsAt;
    QDateTime m_weeklyResetsAt;
    QDateTime m_lastUpdated;
    QString m_errorMessage;
    qint32 m_lastKeychainStatus = 0;
    bool m_hasManualToken = false;
    std::optional<QString> m_cachedToken;
};
