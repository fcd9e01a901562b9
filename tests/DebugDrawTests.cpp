// The debug renderer as GL receives it: in feedback mode GL reports every
// point, line, polygon and bitmap a drawing call issues, in window pixels
// (y up) with its colour, instead of drawing it.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/DebugDraw.h"
#include "tests/support/TestApp.h"
#include "framework/core/Test.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TextCapture.h"

namespace
{
struct Vertex
{
	b2Vec2 p;
	b2Color color;
};
// The vertices of each primitive GL received, by feedback token.
using Drawn = std::map<GLenum, std::vector<std::vector<Vertex>>>;

template <typename Draw>
Drawn Feedback(Draw draw)
{
	std::vector<GLfloat> buffer(1 << 16);
	glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
	glRenderMode(GL_FEEDBACK);
	draw();
	const int size = glRenderMode(GL_RENDER);
	Drawn drawn;
	for (int i = 0; i < size;)
	{
		GLenum token = static_cast<GLenum>(buffer[i++]);
		token = token == GL_LINE_RESET_TOKEN ? GL_LINE_TOKEN : token;
		const int count = token == GL_LINE_TOKEN ? 2 : token == GL_POLYGON_TOKEN ? static_cast<int>(buffer[i++]) : 1;
		std::vector<Vertex> vertices;
		// x, y, z and RGBA per vertex.
		for (int v = 0; v < count; ++v, i += 7)
		{
			const GLfloat* f = &buffer[i];
			vertices.push_back({b2Vec2(f[0], f[1]), b2Color(f[3], f[4], f[5])});
		}
		drawn[token].push_back(vertices);
	}
	return drawn;
}

void ExpectColor(const b2Color& color, float r, float g, float b)
{
	EXPECT_NEAR(color.r, r, 1e-3f);
	EXPECT_NEAR(color.g, g, 1e-3f);
	EXPECT_NEAR(color.b, b, 1e-3f);
}

class DebugDrawTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		EnsureGlWindow();
		LookAt(b2Vec2(0.0f, 0.0f), 1.0f);
	}

	static void LookAt(const b2Vec2& center, float zoom)
	{
		TestApp().Scenes().settings.viewCenter = center;
		TestApp().GetView().SetZoom(zoom);
		TestApp().Router().Reshape(TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight());
		glMatrixMode(GL_MODELVIEW);
		glLoadIdentity();
	}

	// Window pixel (y up) of a world point under the camera set by LookAt.
	static b2Vec2 Pixel(const b2Vec2& p)
	{
		const float scale = TestApp().GetView().WindowHeight() / (50.0f * TestApp().GetView().Zoom());
		const b2Vec2 d = p - TestApp().Scenes().settings.viewCenter;
		return b2Vec2(0.5f * TestApp().GetView().WindowWidth() + scale * d.x, 0.5f * TestApp().GetView().WindowHeight() + scale * d.y);
	}

	// The projection, then the model-view matrix.
	static std::vector<GLfloat> Matrices()
	{
		std::vector<GLfloat> m(32);
		glGetFloatv(GL_PROJECTION_MATRIX, m.data());
		glGetFloatv(GL_MODELVIEW_MATRIX, m.data() + 16);
		return m;
	}

	static void ExpectAt(const b2Vec2& pixel, const b2Vec2& expected, float tolerance = 0.01f)
	{
		EXPECT_NEAR(pixel.x, expected.x, tolerance);
		EXPECT_NEAR(pixel.y, expected.y, tolerance);
	}

	DebugDraw draw;
};

TEST_F(DebugDrawTest, DegenerateShapesStillIssueTheirPrimitives)
{
	const b2Color red(1.0f, 0.0f, 0.0f);
	const b2Vec2 two[] = {b2Vec2(0.0f, 0.0f), b2Vec2(1.0f, 0.0f)};
	// A loop through two vertices goes there and back; a fan of two has no
	// triangle.
	auto lines = Feedback([&] { draw.DrawPolygon(two, 2, red); })[GL_LINE_TOKEN];
	ASSERT_EQ(lines.size(), 2u);
	ExpectAt(lines[0][1].p, Pixel(two[1]));
	Drawn solid = Feedback([&] { draw.DrawSolidPolygon(two, 2, red); });
	EXPECT_EQ(solid[GL_LINE_TOKEN].size(), 2u);
	EXPECT_TRUE(solid[GL_POLYGON_TOKEN].empty());

	// A zero radius puts all 16 rim vertices on the centre; the solid circle
	// adds its axis mark.
	const b2Vec2 center(2.0f, 3.0f);
	lines = Feedback([&] { draw.DrawCircle(center, 0.0f, red); })[GL_LINE_TOKEN];
	EXPECT_EQ(lines.size(), 16u);
	const auto solidLines =
		Feedback([&] { draw.DrawSolidCircle(center, 0.0f, b2Vec2(1.0f, 0.0f), red); })[GL_LINE_TOKEN];
	EXPECT_EQ(solidLines.size(), 17u);
	lines.insert(lines.end(), solidLines.begin(), solidLines.end());
	for (const auto& line : lines)
	{
		ExpectAt(line[0].p, Pixel(center));
		ExpectAt(line[1].p, Pixel(center));
	}
}

TEST_F(DebugDrawTest, TextSitsOnItsBaselineWhateverTheCameraAndLeavesBothMatricesAsTheyWere)
{
	const int height = glutGet(GLUT_WINDOW_HEIGHT);
	const std::pair<b2Vec2, float> cameras[] = {{b2Vec2(0.0f, 0.0f), 1.0f}, {b2Vec2(500.0f, -300.0f), 0.02f},
		{b2Vec2(-40.0f, 12.0f), 20.0f}};
	for (const auto& [center, zoom] : cameras)
	{
		LookAt(center, zoom);
		glTranslatef(3.0f, 4.0f, 0.0f);
		const std::vector<GLfloat> before = Matrices();

		const auto bitmaps = Feedback([&] { draw.DrawString(5, 30, "Hi"); })[GL_BITMAP_TOKEN];
		ASSERT_EQ(bitmaps.size(), 2u);
		ExpectAt(bitmaps[0][0].p, b2Vec2(5.0f, height - 30.0f));
		ExpectAt(bitmaps[1][0].p, b2Vec2(13.0f, height - 30.0f));
		ExpectColor(bitmaps[0][0].color, 0.9f, 0.6f, 0.6f);

		EXPECT_EQ(Matrices(), before);
		GLint mode = 0;
		glGetIntegerv(GL_MATRIX_MODE, &mode);
		EXPECT_EQ(mode, GL_MODELVIEW);
	}
}

TEST_F(DebugDrawTest, TextIsFormattedIntoItsBufferAndCutAtItsEnd)
{
	TextCapture text;
	draw.UseContext(&text);
	draw.DrawString(5, 30, "Motor Force = %4.0f", 9.6f);
	draw.DrawString(5, 45, "frequency = %g hz, damping ratio = %g", 4.0f, 0.7f);
	draw.DrawString(5, 60, "L1 + %4.2f * L2 = %4.2f", 1.5f, 30.0f);
	EXPECT_EQ(text.Lines(), (std::vector<std::string>{"Motor Force =   10", "frequency = 4 hz, damping ratio = 0.7",
								"L1 + 1.50 * L2 = 30.00"}));

	// 127 characters and the terminator fill the buffer.
	const std::string longText(300, 'a');
	EXPECT_EQ(Feedback([&] { draw.DrawString(5, 75, "%s", longText.c_str()); })[GL_BITMAP_TOKEN].size(), 127u);
	EXPECT_EQ(text.Lines().back(), std::string(127, 'a'));
}

// A box resting on a floor: its two contact points and their normals.
class RestingBox : public ::Test
{
public:
	RestingBox()
	{
		b2BodyDef groundDef;
		b2Body* ground = world->CreateBody(&groundDef);
		b2EdgeShape edge;
		edge.SetTwoSided(b2Vec2(-20.0f, 0.0f), b2Vec2(20.0f, 0.0f));
		ground->CreateFixture(&edge, 0.0f);
		b2BodyDef boxDef;
		boxDef.type = b2_dynamicBody;
		boxDef.position.Set(0.0f, 0.5f);
		b2PolygonShape box;
		box.SetAsBox(0.5f, 0.5f);
		world->CreateBody(&boxDef)->CreateFixture(&box, 1.0f);
	}
};

// Pixels of the back buffer within 2 of the colour (0-255 per channel).
int CountPixels(int r, int g, int b)
{
	std::vector<unsigned char> pixels(4 * TestApp().GetView().WindowWidth() * TestApp().GetView().WindowHeight());
	glReadBuffer(GL_BACK);
	glReadPixels(0, 0, TestApp().GetView().WindowWidth(), TestApp().GetView().WindowHeight(), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
	int count = 0;
	for (size_t i = 0; i < pixels.size(); i += 4)
	{
		count += std::abs(pixels[i] - r) <= 2 && std::abs(pixels[i + 1] - g) <= 2 && std::abs(pixels[i + 2] - b) <= 2;
	}
	return count;
}

TEST_F(DebugDrawTest, ContactPointsShowNewOnesLargeAndGreenPersistingOnesSmallAndBlueWithTheirNormals)
{
	LookAt(b2Vec2(0.0f, 0.0f), 0.1f);
	RestingBox scene;
	Settings s;
	s.drawShapes = 0;
	s.drawContactPoints = 1;
	s.drawContactNormals = 1;
	// Continuous collision would record the resting contact a second time.
	s.enableContinuous = 0;
	for (int frame = 0; frame < 2; ++frame)
	{
		Drawn drawn = Feedback([&] { StepScene(&scene, s); });
		const auto& points = drawn[GL_POINT_TOKEN];
		const auto& lines = drawn[GL_LINE_TOKEN];
		ASSERT_EQ(points.size(), 2u) << frame;
		ASSERT_EQ(lines.size(), 2u) << frame;
		for (int i = 0; i < 2; ++i)
		{
			const Vertex& point = points[i][0];
			const b2Vec2 corner(point.p.x < Pixel(b2Vec2_zero).x ? -0.5f : 0.5f, 0.0f);
			// The contact lies midway between the two surfaces' skins.
			ExpectAt(point.p, Pixel(corner), 0.5f);
			frame == 0 ? ExpectColor(point.color, 0.3f, 0.95f, 0.3f) : ExpectColor(point.color, 0.3f, 0.3f, 0.95f);
			ExpectAt(lines[i][0].p, point.p);
			ExpectAt(lines[i][1].p, point.p + Pixel(b2Vec2(0.0f, 0.3f)) - Pixel(b2Vec2_zero));
			ExpectColor(lines[i][0].color, 0.9f, 0.9f, 0.9f);
		}
	}

	// Points of 10 pixels for a new contact, 5 for a persisting one.
	RestingBox fresh;
	s.drawContactNormals = 0;
	for (int frame = 0; frame < 2; ++frame)
	{
		glClear(GL_COLOR_BUFFER_BIT);
		StepScene(&fresh, s);
		EXPECT_EQ(CountPixels(77, 242, 77), frame == 0 ? 200 : 0) << frame;
		EXPECT_EQ(CountPixels(77, 77, 242), frame == 0 ? 0 : 50) << frame;
	}
}
} // namespace
