# Slate: dark blue-grey stone in cloudy layers with fine cleavage streaks.
ISL 1
size 256 256
seed 403
background 74 82 92
plasma roughness=70 opacity=60 color1=56,62,72 color2=104,112,124
fibers count=300 length=40 thickness=1 angle=-12 jitter=4 curl=1 vary=60 opacity=35 color1=60,66,76 color2=120,128,140
noise cell=1 opacity=12 color1=50,56,64 color2=110,118,128
