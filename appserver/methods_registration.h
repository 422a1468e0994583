// Registration of several participants at once (the automatic participant dialog).
//
//   GetCadOperPart(operator, all)      pick list: active operators of the session's branch,
//                                      with an empty mark IDMARCADO; all = "T" lists every one,
//                                      otherwise only the operator given
//   GetCarAtividades(branch, meeting, tree code)
//                                      the meeting-participation process to book, with the
//                                      default work item (CDITEMTRAB, may be empty)
//   GetAuxPart(&list)                  the listed operators (codes as the multi-select returns)
//   GetInsCadAtiv(branch, meeting, &number, process, moment, participant, start, end,
//                 hours, work item)    books one participation activity; returns 1, or 0 when
//                                      the participant already has one in the meeting
#pragma once

#include "appserver/method_registry.h"

namespace zel::appserver {

void RegisterRegistrationMethods(MethodRegistry& registry);

}  // namespace zel::appserver
