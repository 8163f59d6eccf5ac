// Every byte of every answer: the plain answers with their orderly close,
// the event stream's head, and the whole-write they all go out with.
#pragma once

#include "platform/platform.h"

#include <string>
#include <string_view>

namespace vantrel {

enum class Answer { Running, Forbidden, EventStream, Uninstall, Preflight, NotFound };

// Writes every byte or reports failure (an error, a zero-byte send or the
// socket's send time-out). The error itself is not kept.
bool send_all(const Socket& socket, std::string_view bytes);

// The three lines that let a page of `origin` read the answer.
std::string cors_headers(std::string_view origin);

// Writes a plain answer (any but EventStream; `origin` is used for the
// answers that carry cross-origin lines), stopping at the first failed
// piece, then closes the socket: after a whole answer, only once the peer
// has closed, has sent 64 KiB more or has had a second.
void write_plain_answer(Socket socket, Answer answer, std::string_view origin);

// The event stream's head, through its first field, "retry: 2000".
std::string stream_head(std::string_view origin);

}  // namespace vantrel
