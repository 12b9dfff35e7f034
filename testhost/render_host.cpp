#include "testhost/render_host.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "host/vocabulary.h"
#include "testhost/output_set.h"
#include "testhost/parameter_defaults.h"
#include "testhost/registration.h"
#include "testhost/time_source.h"

namespace horaz::testhost {
namespace {

int32_t saturatingInt32(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int32_t>(std::clamp(std::trunc(value), double(std::numeric_limits<int32_t>::min()),
                                         double(std::numeric_limits<int32_t>::max())));
}

// The bytes of `value` in the stored form of `valueType`.
std::vector<uint8_t> numberBytes(const acf::Guid& valueType, double value, std::string_view name) {
  namespace type = acf::value_type;
  if (valueType == type::kDouble) return bytesOf(value);
  if (valueType == type::kInteger || valueType == type::kSpeedInteger || valueType == type::kBoolean)
    return bytesOf(saturatingInt32(value));
  throw std::invalid_argument("parameter " + std::string(name) + " does not take a number");
}

acf::Guid effectClassOf(const RegistrationModel& model) {
  for (const ComponentRecord& component : model.components())
    if (component.effect && component.defined) return component.classId;
  throw RenderHostError("finding the effect component", acf::kClassNotAvailable);
}

}  // namespace

RenderHostError::RenderHostError(const std::string& step, acf::Result code)
    : std::runtime_error(step + " failed with " + resultText(code)), code_(code) {}

RenderHost::RenderHost(const std::filesystem::path& pluginPath)
    : library_(pluginPath),
      ledger_(std::make_shared<Ledger>()),
      host_(Host::create(ledger_)),
      store_(std::make_shared<ParameterStore>()) {
  // What registration declared stays in the model; the definitions
  // themselves are released again right away.
  registerAll(library_, *host_.get());
  defineRegisteredParameters(host_->model(), *store_);
  effectClassId_ = effectClassOf(host_->model());
  effect_ = createEffect();
}

RenderHost::~RenderHost() { effect_.reset(); }

CountedRef<acf::EffectInterface> RenderHost::createEffect() {
  CountedRef<acf::ComponentClassFactory> factory;
  if (const acf::Result result = library_.getClassFactory(host_->unknown(), effectClassId_,
                                                          acf::ComponentClassFactory::kId, factory.putVoid());
      acf::failed(result))
    throw RenderHostError("ACFGetClassFactory", result);
  CountedRef<acf::EffectInterface> effect;
  if (const acf::Result result =
          factory->CreateInstance(host_->unknown(), nullptr, acf::EffectInterface::kId, effect.putVoid());
      acf::failed(result))
    throw RenderHostError("CreateInstance of the effect", result);
  return effect;
}

acf::Guid RenderHost::parameterId(std::string_view name) const {
  if (const std::optional<acf::Guid> id = store_->idOf(std::string(name))) return *id;
  throw std::invalid_argument("no parameter named " + std::string(name));
}

void RenderHost::setNumber(std::string_view name, double value) {
  const acf::Guid id = parameterId(name);
  store_->set(id, numberBytes(store_->valueTypeOf(id), value, name));
}

void RenderHost::setNumberKeyframe(std::string_view name, double time, double value) {
  const acf::Guid id = parameterId(name);
  store_->setKeyframe(id, time, numberBytes(store_->valueTypeOf(id), value, name));
}

void RenderHost::setText(std::string_view name, const std::string& text) {
  const acf::Guid id = parameterId(name);
  if (store_->valueTypeOf(id) != acf::value_type::kText)
    throw std::invalid_argument("parameter " + std::string(name) + " does not take a text");
  store_->setText(id, text);
}

void RenderHost::setBytes(std::string_view name, std::vector<uint8_t> bytes) {
  store_->set(parameterId(name), std::move(bytes));
}

void RenderHost::setFontRecord(const LOGFONTW& record) { setBytes("PrivateData", bytesOf(record)); }

void RenderHost::setFlag(std::string_view name, int32_t flag) { store_->setFlag(parameterId(name), flag); }

void RenderHost::resetParameters() {
  for (const ParameterRecord& parameter : host_->model().parameters()) {
    if (!parameter.defined) continue;
    store_->set(parameter.id, initialValueOf(parameter));
    store_->setFlag(parameter.id, 1);
  }
}

double RenderHost::numberAt(std::string_view name, double time) const {
  const acf::Guid id = parameterId(name);
  if (store_->valueTypeOf(id) == acf::value_type::kDouble) return store_->doubleAt(id, time);
  return store_->intAt(id, time);
}

CountedRef<HostFrame> RenderHost::makeFrame(int32_t width, int32_t height, FrameFormat format) const {
  return CountedRef<HostFrame>::adopt(make<HostFrame>(ledger_, width, height, format));
}

acf::Result RenderHost::renderFrame(acf::EffectInterface& effect, double frameNumber, HostFrame& input,
                                    HostFrame& output, const RenderSettings& settings) {
  for (HostFrame* frame : {&input, &output}) {
    frame->setPixelAspect(settings.pixelAspect);
    frame->setFieldMode(settings.interlaced ? settings.fieldMode : 0);
    frame->setFieldKind(settings.interlaced ? settings.fieldKind : 0);
    frame->setFirstField(settings.firstField);
  }
  if (!settings.interlaced)
    return renderCall(effect, RenderCall{frameNumber, settings.progressiveField}, input, output, settings).result;

  const int32_t firstField = settings.firstField;
  const int32_t secondField = firstField == 1 ? 2 : 1;
  const acf::Result first = renderCall(effect, RenderCall{frameNumber, firstField}, input, output, settings).result;
  if (acf::failed(first)) return first;
  return renderCall(effect, RenderCall{frameNumber + settings.secondFieldDelay, secondField}, input, output, settings)
      .result;
}

RenderOutcome RenderHost::renderCall(acf::EffectInterface& effect, const RenderCall& call, acf::Frame& input,
                                     acf::Frame& output, const RenderSettings& settings) {
  // The accessor the plug-in asks for is remembered to report what the input
  // frame was asked with.
  CountedRef<HostInputAccessor> accessor =
      CountedRef<HostInputAccessor>::adopt(make<HostInputAccessor>(ledger_, CountedRef<acf::Frame>::share(&input)));
  auto provideAccessor = [accessor](void** out) {
    accessor->AddRef();
    *out = static_cast<acf::InputAccessor*>(accessor.get());
    return acf::kOk;
  };
  auto context = CountedRef<HostParameterSet>::adopt(
      make<HostParameterSet>(ledger_, store_, settings.aspect, settings.framesPerSecond, provideAccessor));
  auto request = CountedRef<HostRequest>::adopt(make<HostRequest>(ledger_, settings.requestValue));
  auto timeSource = CountedRef<HostTimeSource>::adopt(make<HostTimeSource>(ledger_, call.time, call.field));
  auto outputs = CountedRef<HostOutputSet>::adopt(make<HostOutputSet>(ledger_, CountedRef<acf::Frame>::share(&output)));

  RenderOutcome outcome;
  outcome.result = effect.Render(context.get(), 0, 0, request.get(), 0, timeSource.get(), outputs.get());
  outcome.inputRequest = accessor->lastRequest();
  return outcome;
}

}  // namespace horaz::testhost
