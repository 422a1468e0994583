#include "appserver/smtp_sender.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace zel::appserver {

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Upload {
    const std::string* text;
    size_t sent = 0;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* userdata) {
    auto* up = static_cast<Upload*>(userdata);
    const size_t n = std::min(size * count, up->text->size() - up->sent);
    std::memcpy(buffer, up->text->data() + up->sent, n);
    up->sent += n;
    return n;
}

int Progress(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

// What an SMTP answer code says of the message: 5xx to the message or a recipient is final,
// except a refused login (a setting the administrator fixes, after which it goes through).
SmtpResult::Outcome Classify(CURLcode rc, long answer) {
    if (rc == CURLE_OK) return SmtpResult::Outcome::Sent;
    if (rc == CURLE_ABORTED_BY_CALLBACK) return SmtpResult::Outcome::Stopped;
    if (rc == CURLE_LOGIN_DENIED) return SmtpResult::Outcome::Retry;
    if (answer >= 500 && answer < 600 && answer != 530 && answer != 535)
        return SmtpResult::Outcome::Refused;
    return SmtpResult::Outcome::Retry;
}

}  // namespace

SmtpSender::SmtpSender(MailSettings settings) : m_settings(std::move(settings)) {
    GlobalInit();
}

SmtpResult SmtpSender::Send(const std::string& to, const std::string& message,
                            const std::atomic<bool>& stop) const {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) return {SmtpResult::Outcome::Retry, "libcurl could not start"};
    CURL* c = curl.get();
    const MailSettings& s = m_settings;
    curl_easy_setopt(c, CURLOPT_URL, s.url.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    const bool implicitTls = s.url.rfind("smtps://", 0) == 0;
    curl_easy_setopt(c, CURLOPT_USE_SSL,
                     implicitTls || s.startTls ? static_cast<long>(CURLUSESSL_ALL)
                                               : static_cast<long>(CURLUSESSL_NONE));
    if (!s.caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, s.caFile.c_str());
    if (!s.user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, s.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, s.password.c_str());
    }
    const std::string from = "<" + s.from + ">";
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> rcpt(
        curl_slist_append(nullptr, ("<" + to + ">").c_str()), &curl_slist_free_all);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    Upload up{&message};
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &up);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(s.timeoutSeconds));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &stop);
    char detail[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, detail);

    const CURLcode rc = curl_easy_perform(c);
    long answer = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer);
    SmtpResult result;
    result.outcome = Classify(rc, answer);
    if (rc != CURLE_OK) {
        result.reason = std::string(curl_easy_strerror(rc));
        if (detail[0]) result.reason += ": " + std::string(detail);
        if (answer) result.reason += " (SMTP " + std::to_string(answer) + ")";
    }
    return result;
}

}  // namespace zel::appserver
