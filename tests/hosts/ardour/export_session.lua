-- Loads the saved session, checks the plug-in came back with the expected Input Gain, and exports
-- the session range through it to $KAVREN_EXPORT_DIR/$KAVREN_EXPORT_NAME.wav. Changes nothing, so
-- it can run again after Ardour crashed in its exporter.
local helpers = dofile(os.getenv("KAVREN_ARDOUR_SCRIPTS") .. "/session_helpers.lua")
local expect = helpers.expect

local function export()
	local processor = helpers.find_checked_plugin(helpers.track())
	local input_gain = helpers.input_gain[helpers.setting("KAVREN_EXPECTED_INPUT_GAIN")]
	expect(math.abs(helpers.parameter(processor, 0) - input_gain) < 1e-6, "Input Gain is %.3f (%f)",
		input_gain, helpers.parameter(processor, 0))
	expect(math.abs(helpers.parameter(processor, 1) - helpers.lowpass_top) < 1e-6,
		"LowPass Frequency is at its default (%f)", helpers.parameter(processor, 1))
	helpers.export_session(helpers.setting("KAVREN_EXPORT_NAME"))
end

helpers.open_session()
export()
helpers.close()
print("PASS: session exported")
quit()
