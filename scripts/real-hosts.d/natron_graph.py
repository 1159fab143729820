"""The graph scripts/real-hosts renders through NatronRenderer:
Read -> [the effect] -> Write, all of it set from the environment, so one
script serves every case:
  TINTRA_NATRON_INPUT    the file the Read node opens
  TINTRA_NATRON_OUTPUT   the file the Write node (script name TintraWrite) writes
  TINTRA_NATRON_DEPTH    the beginning of the writer's bitDepth option ("32f",
                         "16", "8"), or empty for the writer's default
  TINTRA_NATRON_EFFECT   the effect's OFX identifier, or empty for none
  TINTRA_NATRON_PARAMS   NAME=VALUE;... for the effect: a number, or for a
                         choice the index of its option counted from 0
  TINTRA_NATRON_THREADS  Natron's render threads (0: its guess; -1, none, crashes
                         Natron 2.5's renderer as it quits, with or without the effect)
NatronRenderer runs it with `app` and the NatronEngine module in scope.
"""
import os

import NatronEngine

env = os.environ
app = globals()["app"]
NatronEngine.natron.getSettings().getParam("noRenderThreads").setValue(int(env.get("TINTRA_NATRON_THREADS", "0")))

reader = app.createReader(env["TINTRA_NATRON_INPUT"])
last = reader
if env.get("TINTRA_NATRON_EFFECT"):
    effect = app.createNode(env["TINTRA_NATRON_EFFECT"])
    effect.connectInput(0, reader)
    for assignment in filter(None, env.get("TINTRA_NATRON_PARAMS", "").split(";")):
        name, value = assignment.split("=", 1)
        param = effect.getParam(name)
        if param is None:
            raise SystemExit(f"the effect has no parameter {name}")
        param.setValue(int(value) if isinstance(param, NatronEngine.ChoiceParam) else float(value))
    last = effect

writer = app.createWriter(env["TINTRA_NATRON_OUTPUT"])
writer.setScriptName("TintraWrite")
writer.getParam("formatType").setValue(0)
depth = env.get("TINTRA_NATRON_DEPTH")
if depth:
    bit_depth = writer.getParam("bitDepth")
    options = [bit_depth.getOption(i) for i in range(bit_depth.getNumOptions())]
    chosen = [i for i, option in enumerate(options) if option.startswith(depth)]
    if not chosen:
        raise SystemExit(f"the writer offers no depth {depth}: {options}")
    bit_depth.setValue(chosen[0])
writer.connectInput(0, last)
