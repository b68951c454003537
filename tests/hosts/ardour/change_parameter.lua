-- Loads the saved session, sets the plug-in's Input Gain to 0.25 normalised and saves.
local helpers = dofile(os.getenv("KAVREN_ARDOUR_SCRIPTS") .. "/session_helpers.lua")
local expect = helpers.expect

local function change()
	local processor = helpers.find_checked_plugin(helpers.track())
	expect(ARDOUR.LuaAPI.set_processor_param(processor, 0, 0.25), "Input Gain set to 0.25 normalised")
	expect(math.abs(helpers.parameter(processor, 0) - 0.25) < 1e-6, "the plug-in took the new Input Gain")
end

helpers.open_session()
change()
helpers.save_and_close()
print("PASS: parameter changed")
quit()
