-- Loads the saved session, sets the plug-in's Input Gain to a linear gain of 0.5 and saves.
local helpers = dofile(os.getenv("KAVREN_ARDOUR_SCRIPTS") .. "/session_helpers.lua")
local expect = helpers.expect

local function change()
	local processor = helpers.find_checked_plugin(helpers.track())
	local gain = helpers.input_gain.changed
	expect(ARDOUR.LuaAPI.set_processor_param(processor, 0, gain), "Input Gain set to %.2f", gain)
	expect(math.abs(helpers.parameter(processor, 0) - gain) < 1e-6, "the plug-in took the new Input Gain")
end

helpers.open_session()
change()
helpers.save_and_close()
print("PASS: parameter changed")
quit()
